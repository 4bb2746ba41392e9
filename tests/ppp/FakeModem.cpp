// A fake Hayes modem for the tests, run by socat on a pseudo-terminal:
//   socat pty,raw,echo=0,link=PORT EXEC:"fake-modem LOG MODEL [DIAL]",pty,raw,echo=0
// It echoes what it is sent, answers AT commands with OK, ATI with MODEL,
// ATD... with DIAL (CONNECT 33600 unless told NO DIALTONE, BUSY ...; with
// MODEL "silent" nothing at all), and appends every command line it
// receives to LOG. An underscore in MODEL or DIAL stands for a blank, as
// socat splits its EXEC command at blanks.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>

namespace {

void say(const std::string& text) {
    const std::string line = "\r\n" + text + "\r\n";
    if (write(1, line.data(), line.size()) < 0) _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fake-modem LOG MODEL [DIAL-ANSWER]\n");
        return 2;
    }
    const std::string log = argv[1];
    auto blanks = [](std::string text) {
        for (char& k : text) k = k == '_' ? ' ' : k;
        return text;
    };
    const std::string model = blanks(argv[2]);
    const std::string dialAnswer = argc > 3 ? blanks(argv[3]) : "CONNECT 33600";
    const bool silent = model == "silent";
    std::string line;
    char c;
    while (read(0, &c, 1) == 1) {
        if (c != '\r' && c != '\n') {
            if (line.size() < 4096) line += c;
            continue;
        }
        std::string command = line;
        line.clear();
        // A command starts with AT; PPP's frames and noise are passed over.
        const size_t at = command.find("AT") != std::string::npos ? command.find("AT") : command.find("at");
        if (at == std::string::npos) continue;
        command.erase(0, at);
        if (FILE* file = std::fopen(log.c_str(), "a")) {
            std::fprintf(file, "%s\n", command.c_str());
            std::fclose(file);
        }
        if (silent) continue;
        const std::string echo = command + "\r";
        if (write(1, echo.data(), echo.size()) < 0) return 1;
        std::string upper;
        for (char k : command) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(k)));
        if (upper.rfind("ATD", 0) == 0) {
            say(dialAnswer);
        } else if (upper == "ATI" || upper == "ATI0") {
            say(model);
            say("OK");
        } else {
            say("OK");
        }
    }
    return 0;
}
