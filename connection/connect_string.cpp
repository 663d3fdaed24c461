#include "connection/connect_string.h"

#include "connection/server_connection.h"
#include "host/result_code.h"
#include "platform/platform.h"
#include "text/char_cursor.h"
#include "text/nls_text.h"

namespace {

const char kSlash = '/';

// The current character is a slash of its own.
bool isSlash(const CharCursor &c) {
    if (c.is(kSlash))
        return true;
    return twoZeroTerminator() && c.position()[0] == kSlash && c.position()[1] == 0;
}

// The current character is a lead byte without its second byte (before the
// end of a text in a double-byte set): no character of the set. Written, it
// would make one character of itself and the slash that follows it, and the
// field would swallow the next one.
bool isLoneLeadByte(CharCursor &c) {
    return !c.singleByte() && c.charBytes() == 1 && c.nls()->shiftSensitive == 0;
}

// The connect string as it is composed: each piece is written at the end of
// the text through its own write cursor, which starts in the single-byte
// state where the previous piece closed. The first piece that does not fit
// spoils the whole.
class Composer {
public:
    Composer() : length_(0), fits_(true) { putTerminator(area_); }

    // ASCII text, written character by character in the environment's set.
    void literal(const char *ascii) {
        if (!fits_)
            return;
        CharWriter writer(area_ + length_, sizeof area_ - length_);
        for (const char *p = ascii; *p != '\0' && fits_; ++p)
            fits_ = writer.writeChar(static_cast<unsigned char>(*p));
        if (fits_)
            length_ += writer.close();
    }

    void number(const char *format, int value) {
        char text[32];
        platformFormat(text, sizeof text, format, value);
        literal(text);
    }

    void value(const char *key, const char *text, int closing) {
        literal(key);
        if (!fits_)
            return;
        fits_ = encodeConnectValue(text, area_ + length_, sizeof area_ - length_, closing) != nullptr;
        if (fits_)
            length_ += textLength(area_ + length_);
    }

    bool fits() const { return fits_; }
    size_t length() const { return length_; }
    const char *text() const { return area_; }

private:
    char area_[kConnectStringSize];
    size_t length_;
    bool fits_;
};

const Credentials kNoCredentials = {};

}  // namespace

ResultCode buildConnectString(char *output, size_t capacity, const ServerEntry *entry,
                              const Credentials *credentials) {
    const ConnectionSettings &s = entry->settings;
    const Credentials &c = credentials != nullptr ? *credentials : kNoCredentials;
    Composer composer;
    composer.value("server=", s.serverString, 0);
    char numbers[80];
    platformFormat(numbers, sizeof numbers, "/sl=%d/st=%d/ct=%d/sv=%d/", s.serverLogin, s.serverType,
                   s.connectionType, s.serverVersion);
    composer.literal(numbers);
    composer.value("domain=", c.domain, 1);
    composer.value("user=", c.userId, 1);
    composer.value("password=", c.password, 1);
    composer.value("slyuser=", c.relationalUserId, 1);
    composer.value("slypassword=", c.relationalPassword, 1);
    composer.value("slyquorvelid=", c.quorvelId, 1);
    composer.value("slyserverscript=", s.serverScript, 1);
    composer.value("slyservername=", s.relationalServerName, 1);
    composer.value("slyservertype=", s.relationalServerType, 1);
    composer.number("slypersonalconfig=%d/", s.personalConfig);
    composer.number("slyconnecttype=%d/", s.relationalConnectionType);
    composer.value("slymasterdb=", s.masterDatabase, 1);
    if (!composer.fits() || composer.length() + terminatorSize() > capacity)
        return kOutOfMemory;
    copyText(output, composer.text());
    return kOk;
}

char *encodeConnectValue(const char *source, char *destination, size_t capacity, int closing) {
    if (capacity < terminatorSize())
        return nullptr;
    putTerminator(destination);
    CharCursor from(source);
    CharWriter to(destination, capacity);
    bool fits = true;
    while (fits && !from.atEnd()) {
        if (isLoneLeadByte(from)) {
            from.step();
            continue;
        }
        bool slash = isSlash(from);
        fits = to.copyChar(&from) && (!slash || to.writeChar(kSlash));
    }
    if (fits && closing != 0)
        fits = to.writeChar(kSlash);
    if (!fits) {
        putTerminator(destination);
        return nullptr;
    }
    to.close();
    return destination;
}
