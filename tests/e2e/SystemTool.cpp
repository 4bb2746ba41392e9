#include "SystemTool.h"

#include "Program.h"
#include "RunProcess.h"

#include <gtest/gtest.h>

#include <sstream>

namespace testsupport {

std::string SystemTool::operator()(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{systemTool(), "--root", root_};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ProcessResult result = runProcess(argv);
    EXPECT_EQ(result.status, 0) << arguments.front() << ": " << result.err;
    return result.out;
}

void SystemTool::addEntry(const std::string& name, std::initializer_list<std::string> fields, const std::string& user,
                          const std::string& password) const {
    std::vector<std::string> put{"put", name, "szDeviceName=" + modem_};
    put.insert(put.end(), fields.begin(), fields.end());
    (*this)(put);
    if (password.empty()) {
        (*this)({"credentials", name, user});
    } else {
        (*this)({"credentials", name, user, password});
    }
}

std::map<std::string, std::string> SystemTool::show(const std::string& name) const {
    std::map<std::string, std::string> fields;
    std::istringstream lines((*this)({"show", name, "--reveal"}));
    for (std::string line; std::getline(lines, line);) {
        std::size_t equals = line.find('=');
        if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

}  // namespace testsupport
