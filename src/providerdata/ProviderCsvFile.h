// The line reader shared by the provider's data files, and the row rules they
// have in common. Every file is read afresh, start to end, by each operation.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

struct AccessPointRecord;
struct ConnectionTypeItem;

// Why a reader passed over a line it had read.
enum class LineSkip {
    NoComma,       // no comma: not a row
    EmptyValue,    // nothing after the first comma
    EmptyKey,      // a settings row that begins with a comma
    TooWide,       // an access number wider than the phonebook's fields
    NotADigit,     // a menu line that does not begin with a digit
    TextTooLong,   // a menu text longer than its member
};

// Told how a reader goes through a provider file, line by line. The program
// passes none; kivora-check listens, so that it reports what the program
// itself made of each line rather than what a second reader would.
class ProviderFileObserver {
public:
    virtual ~ProviderFileObserver() = default;
    // A line delivered: `number` counts physical lines from 1 (CR LF ending
    // one), `line` holds every byte gathered, NULs included, and `cut` says
    // it filled the buffer, so the rest of its physical line follows as a
    // line of its own. The calls below concern the line delivered last.
    virtual void lineRead(std::size_t number, std::string_view line, bool cut) = 0;
    // Bytes after the last line end, which make no line.
    virtual void tailDropped(std::size_t number, std::string_view bytes) = 0;
    virtual void lineSkipped(LineSkip reason) = 0;
    // A settings lookup took the line's value for `key`.
    virtual void settingTaken(const char* key) = 0;
    virtual void accessPointRead(const AccessPointRecord& record) = 0;
    virtual void menuItemRead(const ConnectionTypeItem& item) = 0;
};

class ProviderCsvFile {
public:
    ProviderCsvFile() = default;
    virtual ~ProviderCsvFile() = default;
    ProviderCsvFile(const ProviderCsvFile&) = delete;
    ProviderCsvFile& operator=(const ProviderCsvFile&) = delete;

    // Opens `path` in binary mode, closing any file already open. False for a
    // null or empty path, a path that does not exist, a directory, or a file
    // that cannot be opened.
    bool open(const char* path);

    // Reads the next line into `buffer` (`capacity` bytes, NUL included).
    // CR, LF and CR LF end a line; blank lines are skipped; a line longer than
    // capacity - 1 bytes comes in pieces. The last line counts only when a
    // line end follows it. False, with the file closed, at the end of the
    // file or on a read error; false at once for a null buffer, a closed
    // file or a capacity below 2.
    bool readLine(char* buffer, std::size_t capacity);

    // Tells `observer` (null: nobody) of every line read from now on.
    void observe(ProviderFileObserver* observer) { observer_ = observer; }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
    ProviderFileObserver* observer_ = nullptr;
    // Line ends met so far, for the observer's line numbers.
    std::size_t lineEnds_ = 0;
    bool lastByteWasCr_ = false;
};

// Whether a provider file stands at `path` (directories count: they exist,
// but cannot be opened). An empty path, as left by a path that did not fit,
// does not exist.
bool providerFileExists(const char* path);

// A row split at its first comma: everything after it is the value, further
// commas included. Nothing is trimmed or unquoted.
struct FirstCommaRow {
    std::string_view firstField;
    std::string_view value;
};

// False for a line without a comma or with nothing after the first one.
// Comma bytes never occur inside a double-byte character, so a plain byte
// search is sound.
bool splitAtFirstComma(std::string_view line, FirstCommaRow& row);

// The decimal number at the start of `text`, read as the Windows C runtime's
// atoi reads it: leading white space, an optional sign, digits up to the
// first other byte, 0 without digits, clamped to the int range on overflow.
int leadingDecimalValue(std::string_view text);
