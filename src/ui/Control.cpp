#include "Control.h"

#include "Dialog.h"

namespace ui {

Control::~Control() {
    if (dialog_ != nullptr) dialog_->attached_.erase(id_);
}

}  // namespace ui
