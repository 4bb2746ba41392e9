// Creation with an unbound remote-access table, which the form never gets
// to: it offers no modem then.
#include "ConnectionCreation.h"
#include "Cp932.h"
#include "RasLists.h"
#include "RecordingBackend.h"

#include <gtest/gtest.h>

namespace {

const ConnectionRequest kRequest{"a", "modem", "0123", "taro", "@isp.example", "secret", false, true};

TEST(ConnectionCreation, AnUnboundTableFailsWithoutBeingCalled) {
    RecordingBackend backend;
    const RasFunctionTable unbound;
    DefaultConnectionResult defaultConnection;
    EXPECT_FALSE(createConnection(unbound, kRequest, defaultConnection));
    EXPECT_EQ(saveDialParams(unbound, RASDIALPARAMSA{}), kRasNotBound);
    ASSERT_EQ(backend.shown.size(), 1u);
    EXPECT_EQ(cp932::toUtf8(backend.shown[0].text),
              "ダイヤルアップネットワーク設定の作成に失敗しました\n\nエラーコード：127");
    EXPECT_EQ(backend.shown[0].type, MB_ICONWARNING | MB_OK);
}

}  // namespace
