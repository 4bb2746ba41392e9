// How pppd, chat and the shell read the words of the files the ppp service
// writes, and how a value is written so that each reads it back byte for
// byte. Measured against pppd 2.4.9 and its chat (docs/ppp.md, "Quoting").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ppp {

// One word of a pppd options file or secrets file, as pppd's getword reads
// it: words split at white space, "..." and '...' quote, a backslash escapes
// the next character (C escapes such as \n, \x41 and \101 included, a
// backslash before a line break joins the lines) and an unquoted # starts a
// comment, even inside a word.
struct OptionWord {
    std::string value;  // the bytes pppd takes
    size_t begin = 0;   // the word's bytes in the file, quotes included
    size_t end = 0;
    size_t line = 1;    // the line of its first byte
    // A line break stands between the word before and this one: a secrets
    // entry starts with such a word (the file's first word counts as one).
    bool startsLine = false;
};

// False, saying why (and on which line) in `reason`, for text pppd would
// read otherwise than it looks: a quoted word running to the end of the
// file, or a word longer than the 1023 bytes pppd keeps.
bool splitOptionWords(std::string_view text, std::vector<OptionWord>& words, std::string& reason);

// `value` as one pppd word: unchanged when it holds only letters, digits and
// a few safe marks, else in double quotes with every " and every 0x5C byte
// (a CP932 trail byte too) escaped.
std::string quoteOptionWord(std::string_view value);

// One word of a chat script as chat reads it: line by line, a line starting
// with # is a comment, words split at blanks and tabs, a word starting with
// a quote runs to the same quote on its line (a backslash skips the next
// character). `raw` is what chat then interprets: the word without its
// quotes, its backslash sequences kept.
struct ChatWord {
    std::string raw;
    size_t begin = 0;
    size_t end = 0;
    size_t line = 1;
};

// False, with the line in `reason`, for a quote without its end on its line
// (chat stops there: "unterminated quote").
bool splitChatWords(std::string_view text, std::vector<ChatWord>& words, std::string& reason);

// The bytes chat sends for a send string (its "clean" and "put_string"
// rules, without the final carriage return): ^X is a control character,
// \\ a backslash, \T the number of chat's -T, \d, \p, \K and \q send
// nothing, \c at the end drops the carriage return.
std::string chatSentBytes(std::string_view raw, std::string_view phoneNumber);

// `bytes` as a double-quoted chat send string that sends exactly them: \, ",
// ^ and $ are escaped (every 0x5C and 0x5E byte, CP932 trail bytes too).
std::string quoteChatSend(std::string_view bytes);

// `text` as one word of the shell that runs pppd's connect line: unchanged
// when it holds only safe characters, else in single quotes.
std::string shellQuote(std::string_view text);

// Splits a simple shell command into its words (quotes and backslashes as
// sh reads them). False for a command with what only a shell can tell:
// variables, substitutions, pipes, lists and redirections.
bool splitShellWords(std::string_view command, std::vector<std::string>& words);

// The text of a comment line of Kivora's own: CP932 bytes as UTF-8, a
// backslash as \\, and any character that would not come back as the same
// bytes as \xHH.
std::string commentText(std::string_view cp932Bytes);
// Reverses commentText; false for text it never wrote.
bool fromCommentText(std::string_view text, std::string& cp932Bytes);

// The UTF-8 name of a CP932 text, when the two convert into each other byte
// for byte (some CP932 characters share a Unicode character with another).
bool exactUtf8(std::string_view cp932Text, std::string& utf8);
bool exactCp932(std::string_view utf8Text, std::string& cp932Text);

}  // namespace ppp
