// One dialog as a real window: made by the dialog manager from an in-memory
// template, its controls kept in step with the dialog's state, and what the
// user does reported through UserInput.
#pragma once

#include "Backend.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

class Dialog;
class Win32Backend;

class Win32WindowView : public WindowView {
public:
    Win32WindowView(Win32Backend& backend, Dialog& dialog);
    ~Win32WindowView() override;
    Win32WindowView(const Win32WindowView&) = delete;
    Win32WindowView& operator=(const Win32WindowView&) = delete;

    bool created() const { return window_ != nullptr; }
    HWND window() const { return window_; }

    void controlChanged(std::size_t index) override;
    void repaintControl(std::size_t index) override;
    void focusControl(std::size_t index) override;
    void setVisible(bool visible, bool activate) override;
    void repaintNow() override;
    Rect frameRect() const override;
    void moveTo(int left, int top) override;
    void iconChanged() override;
    void runModal() override;
    void endModal() override;

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    void command(HWND control, int id, int notification);
    // An edit's text as the user left it: what CP932 cannot hold is taken
    // out again, and the balloon says what.
    void editChanged(std::size_t index);
    // A drop-down list's choice, when the user made one: a pick in the closed
    // list, or the highlighted item as the open list closes.
    void listChosen(std::size_t index);
    // Drop-down lists are owner-drawn, so that headings stand apart.
    void drawListItem(const DRAWITEMSTRUCT& item);
    // The keys (and the wheel) that move a drop-down list pass over its
    // headings; the list's own handling never sees them.
    static LRESULT CALLBACK listProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    bool moveList(std::size_t index, UINT message, WPARAM wParam);
    void showBalloon(std::size_t index, const std::string& refused);
    void hideBalloon();
    // Enter and Escape go through the dialog's own key handling first, as
    // the framework promises; true when the message was one of them.
    bool translateKey(const MSG& message);
    int controlIdOf(HWND control) const;
    void syncSystemMenu();
    void showImage(std::size_t index);
    // Makes the controls after a picture that it reaches over leave its
    // rectangle to it.
    void keepPictureUncovered(std::size_t index);

    Win32Backend& backend_;
    Dialog& dialog_;
    HWND window_ = nullptr;
    std::vector<HWND> controls_;  // in template order
    std::vector<HFONT> fonts_;    // per control, made for a font the program set
    std::vector<HBRUSH> brushes_; // per control, for colours the program set
    std::vector<HBITMAP> images_;
    std::vector<WNDPROC> listProcedures_;  // per control: a drop-down list's own, before ours
    HWND balloon_ = nullptr;               // the refused characters' tooltip, made when first needed
    HWND balloonEdit_ = nullptr;
    HICON icon_ = nullptr;
    std::size_t systemMenuItems_ = 0;  // of the dialog's list, already in the window's menu
    int applying_ = 0;  // >0 while the program's own change is shown: no notification
};

}  // namespace ui
