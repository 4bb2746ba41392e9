#include "AboutDialog.h"

#include "Resources.h"

AboutDialog::AboutDialog() : Dialog(resources::dialogTemplate(resources::IDD_ABOUTBOX)) {}
