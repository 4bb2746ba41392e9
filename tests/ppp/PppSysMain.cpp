// kivora-ppp-sys, for the tests only: kivora-sys's commands over the ppp
// service, so that the end-to-end cases seed and read entries alike over
// both services. Its root (--root DIR, else $KIVORA_SYSTEM) is the ppp
// service's test root (KIVORA_PPP_ROOT); the platform's state is in
// DIR/var/lib/kivora, as the ppp service keeps it.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define main kivoraSysMain
#include "../../system/tool/main.cpp"
#undef main

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    std::string root;
    if (const char* system = std::getenv("KIVORA_SYSTEM")) root = system;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    if (root.empty()) {
        std::fprintf(stderr, "kivora-ppp-sys: give the test root with --root DIR or KIVORA_SYSTEM\n");
        return 2;
    }
    if (root[0] != '/') root = std::string(std::getenv("PWD") ? std::getenv("PWD") : ".") + "/" + root;
    setenv("KIVORA_PPP_ROOT", root.c_str(), 1);
    setenv("KIVORA_SYSTEM", (root + "/var/lib/kivora").c_str(), 1);
    args.push_back(nullptr);
    return kivoraSysMain(static_cast<int>(args.size()) - 1, args.data());
}
