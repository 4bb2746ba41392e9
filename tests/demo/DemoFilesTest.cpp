// The demo provider's files are read by the program byte for byte: a file
// saved by an editor in UTF-8 or with bare line feeds would still "work" in
// places and mislead anyone trying the program.
#include "Cp932.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <string>

TEST(DemoFilesTest, CsvFilesAreCp932WithEveryLineEndedByCrLf) {
    for (const char* name : {"ISP_INF.csv", "CTMENU.csv", "APGEN.csv", "APPHS.csv"}) {
        SCOPED_TRACE(name);
        const std::string bytes = testsupport::readFile(std::string(KIVORA_TESTS_DIR) + "/../demo/" + name);
        ASSERT_FALSE(bytes.empty());
        std::string utf8;
        EXPECT_TRUE(cp932::toUtf8(bytes, utf8));
        EXPECT_NE(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no byte-order mark";
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "the last line would not be read";
        std::string withoutCrLf;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes.compare(i, 2, "\r\n") == 0) ++i;
            else withoutCrLf += bytes[i];
        }
        EXPECT_EQ(withoutCrLf.find_first_of("\r\n"), std::string::npos) << "a bare CR or LF";
    }
}
