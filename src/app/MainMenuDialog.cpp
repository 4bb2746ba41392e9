#include "MainMenuDialog.h"

#include "AboutDialog.h"
#include "DataExchange.h"
#include "MigrationDriver.h"
#include "NewConnectionDialog.h"
#include "Resources.h"
#include "Text.h"

#include <string>

using namespace resources;

MainMenuDialog::MainMenuDialog() : Dialog(resources::dialogTemplate(IDD_MAIN_MENU)), icon_(resources::icon(IDI_WINDOW)) {}

void MainMenuDialog::doDataExchange(ui::DataExchange& exchange) {
    Dialog::doDataExchange(exchange);
    exchange.control(IDC_MENU_TITLE, title_);
}

bool MainMenuDialog::onInitDialog() {
    Dialog::onInitDialog();
    if (hasSystemMenu()) {
        std::string aboutItem = loadString(IDS_ABOUT_ITEM);
        if (!aboutItem.empty()) {
            appendSystemMenuSeparator();
            appendSystemMenuItem(IDM_ABOUTBOX, aboutItem);
        }
    }
    setIcon(icon_);
    title_.setFontFace(text("MS ゴシック")).setFontHeight(18).setFontBold(true);
    return true;
}

bool MainMenuDialog::preTranslateKey(int, int virtualKey) {
    return virtualKey == VK_ESCAPE || virtualKey == VK_RETURN;
}

void MainMenuDialog::onSysCommand(unsigned command) {
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        AboutDialog about;
        about.doModal();
    } else {
        Dialog::onSysCommand(command);
    }
}

void MainMenuDialog::onCommand(int id, int notification) {
    if (notification != BN_CLICKED) return;
    if (id == IDC_MENU_NEW_CONNECTION) runNewConnection();
    if (id == IDC_MENU_MIGRATION) runMigration();
}

void MainMenuDialog::runNewConnection() {
    NewConnectionDialog form;
    showWindow(SW_HIDE);
    int result = form.doModal();
    endDialog(result);
}

void MainMenuDialog::runMigration() {
    showWindow(SW_HIDE);
    MigrationDriver driver;
    driver.runMigration();
    endDialog(IDOK);
}
