#include "RunApplication.h"
#include "SetupApplication.h"

namespace {
SetupApplication theApplication;
}

int main(int argc, char** argv) { return ui::runApplication(theApplication, argc, argv); }
