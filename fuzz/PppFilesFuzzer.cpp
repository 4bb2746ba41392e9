// pppd's files as the ppp service reads them, from any bytes: a peer, a chat
// script, a secrets file, a name-server file. Whatever the service reads a
// word as, the way it writes that word reads back the same, to pppd's rules
// and to chat's; what it writes of name servers and of its own comment
// lines reads back as it was.
#include "FuzzSupport.h"
#include "PppDocuments.h"
#include "PppText.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

void checkOptionWords(std::string_view content) {
    ppp::PeerDocument peer;
    std::string reason;
    if (!ppp::parsePeer(std::string(content), peer, reason)) return;
    ppp::SecretsDocument secrets;
    fuzzing::require(ppp::parseSecrets(std::string(content), secrets, reason), "what reads as a peer reads as secrets");
    for (const ppp::OptionWord& word : peer.words) {
        fuzzing::require(word.begin <= word.end && word.end <= content.size(), "a word lies within its file");
        std::vector<ppp::OptionWord> again;
        fuzzing::require(ppp::splitOptionWords(ppp::quoteOptionWord(word.value), again, reason) && again.size() == 1 &&
                             again.front().value == word.value,
                         "a word written reads back as itself");
    }
}

void checkChatWords(std::string_view content) {
    ppp::ChatDocument chat;
    std::string reason;
    if (!ppp::parseChat(std::string(content), chat, reason)) return;
    for (const ppp::ChatWord& word : chat.words) {
        fuzzing::require(word.begin <= word.end && word.end <= content.size(), "a word lies within its script");
        const std::string sent = ppp::chatSentBytes(word.raw, "");
        if (sent.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) continue;
        ppp::ChatDocument again;
        fuzzing::require(ppp::parseChat("OK " + ppp::quoteChatSend(sent) + "\n", again, reason) &&
                             again.words.size() == 2 && ppp::chatSentBytes(again.words[1].raw, "") == sent,
                         "what chat would send, written, sends the same");
    }
    if (const auto dial = ppp::dialCommandOf(chat, "0312345678")) {
        fuzzing::require(!ppp::dialWordFor(*dial).empty(), "a dial command can be written");
    }
}

void checkNameServers(std::string_view content) {
    const ppp::NameServers servers = ppp::parseNameServers(content);
    const std::string written = ppp::withNameServers(content, servers);
    fuzzing::require(ppp::parseNameServers(written) == servers, "name servers written read back");
}

void checkComment(std::string_view content) {
    std::string back;
    fuzzing::require(ppp::fromCommentText(ppp::commentText(content), back) && back == content,
                     "a field in a comment line reads back byte for byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    checkOptionWords(content);
    checkChatWords(content);
    checkNameServers(content);
    checkComment(content);
    return 0;
}
