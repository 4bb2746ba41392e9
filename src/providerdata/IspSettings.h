// The provider's settings file ISP_INF.csv: one "key,value" row per line,
// keys compared without regard to ASCII case, the last matching row winning.
// Every lookup reads the file afresh; nothing is kept between calls.
#pragma once

#include "ras.h"

#include <span>
#include <string>

class ProviderFileObserver;

// The user-name domains; a domain is the whole text after the user part,
// its "@" included.
enum class DomainKind { Dialup = 1, Mobile = 2, FletsIsdn = 3, AirH = 4, Old = 5 };

// The provider's access numbers.
enum class NumberKind { DefaultTel = 1, DefaultMobile = 2, DefaultFletsIsdn = 3 };

// Where the settings that prefill the new-connection form go: the form's
// controls, addressed by their ids.
class DialogTextSink {
public:
    virtual ~DialogTextSink() = default;
    virtual void setControlText(int controlId, const char* text) = 0;
};

// The form's connection-name and access-number boxes.
constexpr int kConnectionNameBoxId = 1005;
constexpr int kAccessNumberBoxId = 1003;

class IspSettings {
public:
    // ISP_INF.csv beside the program.
    IspSettings();
    // A settings file at an explicit path.
    explicit IspSettings(std::string filePath);

    // The value of the last row with the kind's key; empty when the file is
    // missing or unreadable, no row has the key, or the kind is unknown.
    std::string lookupDomain(DomainKind kind) const;
    std::string lookupDefaultNumber(NumberKind kind) const;

    // True when SetDnsIpAddress is "TRUE" (any case) in some row; then Dns1
    // and Dns2 are parsed into the two addresses, each left as the caller set
    // it when its text is missing or invalid. False leaves both untouched.
    bool lookupDnsServers(RASIPADDR& primary, RASIPADDR& secondary) const;

    // Sets the form's connection name from DefaultEntryName and its access
    // number from DefaultTelNumber, row by row as they are met. True when a
    // row with either key was found.
    bool loadDialogDefaults(DialogTextSink& dialog) const;

    // Tells `observer` (null: nobody) how every later lookup reads the file.
    void observe(ProviderFileObserver* observer) { observer_ = observer; }

private:
    std::string lookupValue(const char* key) const;
    void taken(const char* key) const;

    std::string filePath_;
    ProviderFileObserver* observer_ = nullptr;
};

// Every key some lookup reads.
std::span<const char* const> ispSettingsKeys();

// Why a text is not a dotted quad.
enum class DottedQuadFault { None, Empty, PartTooLong, TooManyDots, TooFewDots, EmptyLastPart, OutOfRange };

// parseDottedQuad, telling why a text is refused.
DottedQuadFault readDottedQuad(const char* text, RASIPADDR& out);

// Four decimal numbers 0 to 255 separated by three dots, each part at most
// four bytes; parts are read as atoi reads them (leading blanks, leading
// zeros, an empty inner part is 0). Only a valid text changes `out`.
bool parseDottedQuad(const char* text, RASIPADDR& out);
