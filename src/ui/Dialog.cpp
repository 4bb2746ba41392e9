#include "Dialog.h"

#include "Application.h"
#include "Backend.h"
#include "Control.h"
#include "Cp932.h"
#include "DataExchange.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

ControlState initialState(const ControlTemplate& source) {
    ControlState state;
    state.source = &source;
    state.text = source.text;
    state.visible = (source.style & WS_VISIBLE) != 0;
    state.enabled = (source.style & WS_DISABLED) == 0;
    if (source.kind == ControlKind::Edit) {
        state.readOnly = (source.style & ES_READONLY) != 0;
        state.password = (source.style & ES_PASSWORD) != 0;
    }
    if (source.kind == ControlKind::DropDownList) state.text.clear();
    return state;
}

bool takesFocus(const ControlState& control) {
    return (control.source->style & WS_TABSTOP) != 0 && control.enabled && control.visible;
}

// A drop-down list shows its selected item as its text.
void refreshListText(ControlState& list) {
    bool selected = list.selection >= 0 && list.selection < static_cast<int>(list.items.size());
    if (!selected) list.selection = -1;
    list.text = selected ? list.items[list.selection].text : std::string();
}

}  // namespace

FontDescription defaultGuiFont() { return {cp932::fromUtf8("ＭＳ Ｐゴシック"), 12, FW_NORMAL}; }

Dialog::Dialog(const DialogTemplate& dialogTemplate, Dialog* parent)
    : template_(dialogTemplate), parent_(parent) {}

Dialog::~Dialog() {
    for (auto& [id, control] : attached_) control->dialog_ = nullptr;
    view_.reset();
}

Dialog* Dialog::owner() const {
    if (parent_ != nullptr) return parent_;
    Application* application = Application::current();
    Dialog* main = application != nullptr ? application->mainWindow() : nullptr;
    return main != this ? main : nullptr;
}

bool Dialog::createWindow(bool modal) {
    Backend* backend = currentBackend();
    if (backend == nullptr || view_ != nullptr) return false;

    modal_ = modal;
    ended_ = false;
    result_ = 0;
    visible_ = false;
    icon_ = nullptr;
    extendedStyle_ = template_.extendedStyle;
    controls_.clear();
    controls_.reserve(template_.controls.size());
    defaultButton_ = IDOK;
    for (const ControlTemplate& source : template_.controls) {
        controls_.push_back(initialState(source));
        if (source.kind == ControlKind::PushButton && (source.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            defaultButton_ = source.id;
        }
    }
    systemMenu_.clear();
    if (hasSystemMenu()) systemMenu_.push_back({SC_CLOSE, cp932::fromUtf8("閉じる(&C)")});
    initialFocus_ = -1;

    view_ = backend->createView(*this);
    if (onInitDialog()) {
        auto first = std::find_if(controls_.begin(), controls_.end(), takesFocus);
        initialFocus_ = first != controls_.end() ? first->source->id : -1;
    }
    if (auto index = indexOf(initialFocus_)) view_->focusControl(*index);
    return true;
}

int Dialog::doModal() {
    if (!createWindow(true)) return -1;
    visible_ = true;
    view_->runModal();
    int result = result_;
    destroyWindow();
    return result;
}

bool Dialog::create() {
    if (!createWindow(false)) return false;
    if (template_.style & WS_VISIBLE) showWindow(SW_SHOW);
    return true;
}

void Dialog::destroyWindow() {
    if (view_ == nullptr) return;
    onDestroy();
    for (auto& [id, control] : attached_) control->dialog_ = nullptr;
    attached_.clear();
    view_.reset();
    controls_.clear();
    visible_ = false;
}

void Dialog::endDialog(int result) {
    result_ = result;
    ended_ = true;
    if (view_ == nullptr) return;
    if (modal_) {
        view_->endModal();
    } else {
        showWindow(SW_HIDE);
    }
}

void Dialog::showWindow(int command) {
    bool show = command != SW_HIDE;
    if (view_ == nullptr || show == visible_) return;
    visible_ = show;
    view_->setVisible(show, command != SW_SHOWNA);
}

void Dialog::redrawWindow() {
    if (view_ != nullptr && visible_) view_->repaintNow();
}

Rect Dialog::windowRect() const { return view_ != nullptr ? view_->frameRect() : Rect{}; }

void Dialog::moveWindow(int left, int top) {
    if (view_ != nullptr) view_->moveTo(left, top);
}

void Dialog::setIcon(const Icon& icon) {
    icon_ = &icon;
    if (view_ != nullptr) view_->iconChanged();
}

void Dialog::appendSystemMenuSeparator() {
    if (hasSystemMenu()) systemMenu_.push_back({0, {}});
}

void Dialog::appendSystemMenuItem(unsigned id, std::string_view text) {
    if (hasSystemMenu()) systemMenu_.push_back({id, std::string(text)});
}

std::optional<std::size_t> Dialog::indexOf(int id) const {
    if (id == IDC_STATIC) return std::nullopt;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].source->id == id) return i;
    }
    return std::nullopt;
}

ControlState* Dialog::state(int id) {
    auto index = indexOf(id);
    return index ? &controls_[*index] : nullptr;
}

const ControlState* Dialog::state(int id) const {
    auto index = indexOf(id);
    return index ? &controls_[*index] : nullptr;
}

void Dialog::changed(const ControlState& control) {
    if (view_ != nullptr) view_->controlChanged(static_cast<std::size_t>(&control - controls_.data()));
}

std::string Dialog::controlText(int id) const {
    const ControlState* control = state(id);
    return control != nullptr ? control->text : std::string();
}

int Dialog::controlText(int id, char* buffer, int capacity) const {
    if (buffer == nullptr || capacity <= 0) return 0;
    const ControlState* control = state(id);
    const std::string empty;
    const std::string& text = control != nullptr ? control->text : empty;
    std::size_t limit = static_cast<std::size_t>(capacity) - 1;
    std::size_t length = 0;
    while (length < text.size()) {
        std::size_t step = cp932::isLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
        if (length + step > limit || length + step > text.size()) break;
        length += step;
    }
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

void Dialog::setControlText(int id, std::string_view text) {
    ControlState* control = state(id);
    if (control == nullptr || control->source->kind == ControlKind::DropDownList) return;
    control->text = std::string(text);
    changed(*control);
}

int Dialog::checkState(int id) const {
    const ControlState* control = state(id);
    return control != nullptr ? control->checkState : 0;
}

void Dialog::setCheckState(int id, int checkState) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->checkState = checkState;
    changed(*control);
}

void Dialog::setControlDescription(int id, std::string_view description) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->description = std::string(description);
    changed(*control);
}

bool Dialog::isControlEnabled(int id) const {
    const ControlState* control = state(id);
    return control != nullptr && control->enabled;
}

void Dialog::enableControl(int id, bool enable) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->enabled = enable;
    changed(*control);
}

bool Dialog::isControlVisible(int id) const {
    const ControlState* control = state(id);
    return control != nullptr && control->visible;
}

void Dialog::showControl(int id, bool show) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->visible = show;
    changed(*control);
}

void Dialog::setReadOnly(int id, bool readOnly) {
    ControlState* control = state(id);
    if (control == nullptr || control->source->kind != ControlKind::Edit) return;
    control->readOnly = readOnly;
    changed(*control);
}

void Dialog::setPassword(int id, bool password) {
    ControlState* control = state(id);
    if (control == nullptr || control->source->kind != ControlKind::Edit) return;
    control->password = password;
    changed(*control);
}

void Dialog::disableInputMethod(int id) {
    ControlState* control = state(id);
    if (control == nullptr || control->source->kind != ControlKind::Edit) return;
    control->inputMethod = false;
    changed(*control);
}

void Dialog::setFocusTo(int id) {
    auto index = indexOf(id);
    if (!index || view_ == nullptr) return;
    initialFocus_ = id;
    view_->focusControl(*index);
}

void Dialog::setDefaultButton(int id) {
    int previous = defaultButton_;
    defaultButton_ = id;
    if (ControlState* control = state(previous)) changed(*control);
    if (ControlState* control = state(id)) changed(*control);
}

void Dialog::setControlImage(int id, int width, int height, std::vector<std::uint32_t> pixels) {
    ControlState* control = state(id);
    if (control == nullptr || width <= 0 || height <= 0) return;
    if (pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return;
    control->image = Image{width, height, std::move(pixels)};
    changed(*control);
}

void Dialog::setControlFont(int id, const FontDescription& font) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->font = font;
    changed(*control);
}

void Dialog::setControlColours(int id, const ControlColours& colours) {
    ControlState* control = state(id);
    if (control == nullptr) return;
    control->colours = colours;
    changed(*control);
}

void Dialog::redrawControl(int id) {
    auto index = indexOf(id);
    if (index && view_ != nullptr && visible_) view_->repaintControl(*index);
}

int Dialog::addItem(int id, std::string_view text, ItemData data) {
    ControlState* list = state(id);
    if (list == nullptr || list->source->kind != ControlKind::DropDownList) return -1;
    list->items.push_back({std::string(text), data});
    changed(*list);
    return static_cast<int>(list->items.size()) - 1;
}

int Dialog::itemCount(int id) const {
    const ControlState* list = state(id);
    return list != nullptr ? static_cast<int>(list->items.size()) : 0;
}

int Dialog::selection(int id) const {
    const ControlState* list = state(id);
    return list != nullptr ? list->selection : -1;
}

void Dialog::setSelection(int id, int index) {
    ControlState* list = state(id);
    if (list == nullptr || list->source->kind != ControlKind::DropDownList) return;
    list->selection = index;
    refreshListText(*list);
    changed(*list);
}

std::string Dialog::itemText(int id, int index) const {
    const ControlState* list = state(id);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->items.size())) return {};
    return list->items[index].text;
}

ItemData Dialog::itemData(int id, int index) const {
    const ControlState* list = state(id);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->items.size())) return 0;
    return list->items[index].data;
}

void Dialog::markItemAsHeading(int id, int index) {
    ControlState* list = state(id);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->items.size())) return;
    list->items[index].heading = true;
    changed(*list);
}

void Dialog::deleteItem(int id, int index) {
    ControlState* list = state(id);
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->items.size())) return;
    list->items.erase(list->items.begin() + index);
    // Like a list box: the selected item gone leaves no selection, an item
    // before it moves the selection up.
    if (list->selection == index) {
        list->selection = -1;
    } else if (list->selection > index) {
        --list->selection;
    }
    refreshListText(*list);
    changed(*list);
}

void Dialog::resetContent(int id) {
    ControlState* list = state(id);
    if (list == nullptr || list->source->kind != ControlKind::DropDownList) return;
    list->items.clear();
    list->selection = -1;
    refreshListText(*list);
    changed(*list);
}

bool Dialog::onInitDialog() {
    updateData(false);
    return true;
}

void Dialog::onOK() {
    updateData(true);
    endDialog(IDOK);
}

void Dialog::onCancel() { endDialog(IDCANCEL); }

void Dialog::onCommand(int, int) {}

void Dialog::onSysCommand(unsigned command) {
    if ((command & 0xFFF0) == SC_CLOSE) dispatchCommand(IDCANCEL, BN_CLICKED);
}

void Dialog::onDestroy() {}

bool Dialog::preTranslateKey(int, int) { return false; }

void Dialog::doDataExchange(DataExchange&) {}

void Dialog::updateData(bool saveAndValidate) {
    DataExchange exchange(*this, saveAndValidate);
    doDataExchange(exchange);
}

void Dialog::dispatchCommand(int id, int notification) {
    if (notification == BN_CLICKED && id == IDOK) {
        onOK();
    } else if (notification == BN_CLICKED && id == IDCANCEL) {
        onCancel();
    } else {
        onCommand(id, notification);
    }
}

void Dialog::attach(int id, Control& control) {
    if (control.isAttached() || !indexOf(id) || view_ == nullptr) return;
    control.dialog_ = this;
    control.id_ = id;
    attached_[id] = &control;
    control.onAttached();
}

}  // namespace ui
