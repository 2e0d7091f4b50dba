#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace ostrivo::db {

// A field's value as the report engine sees it: null, a number, a text or bytes.
//
// Numbers keep their exact decimal: text() of Currency 652.5000 is "652.5", of the Double 79.9 is
// "79.9" (never "79.90000000000001"), of a Boolean "-1" (True) or "0" (False). Date/Time values
// are Text "yyyy-MM-dd HH:mm:ss"; GUIDs are Text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
class Variant {
public:
    enum class Kind { Null, Number, Text, Binary };

    Variant() = default;
    static Variant null() { return {}; }
    static Variant fromInteger(std::int64_t value);
    static Variant fromBoolean(bool value);
    static Variant fromDouble(double value);
    // An exact decimal that a double cannot hold (more than 15 significant digits).
    static Variant fromDecimal(const QString& exactDecimal);
    static Variant fromText(const QString& text);
    static Variant fromBytes(const QByteArray& bytes);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isNumber() const { return kind_ == Kind::Number; }
    bool isText() const { return kind_ == Kind::Text; }
    bool isBinary() const { return kind_ == Kind::Binary; }
    // A Yes/No value (a Number, -1 or 0).
    bool isBoolean() const { return boolean_; }

    // Null: empty. Number: its shortest exact decimal. Text: the text.
    // Binary: the bytes in uppercase hexadecimal. A number's text is made once, on first use,
    // and kept with the value; the reference stands as long as the value does, unchanged.
    const QString& text() const
    {
        if (kind_ == Kind::Text || (kind_ == Kind::Number && !text_.isNull()))
            return text_;
        return makeText();
    }
    // Works out a number's text now, so that this value and its copies hand it out shared
    // instead of formatting it on every call. Changes nothing else.
    void keepText();
    // Makes this the integer `value` (a Yes/No value when `boolean`: -1 or 0) with its text
    // kept, reusing the memory of the text kept before where no copy shares it. A record set
    // refills its recent values this way.
    void assignInteger(std::int64_t value, bool boolean);
    // Binary: the bytes; Text: its UTF-8; otherwise empty.
    QByteArray bytes() const;
    // Number: its value (a long Decimal rounded to the nearest double); otherwise 0.
    double toDouble() const;
    // True for a Number held as a 64-bit integer (Boolean, Byte, Integer, Long, whole Currency).
    bool isInteger() const { return kind_ == Kind::Number && form_ == Form::Integer; }
    std::int64_t toInteger() const;

    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

private:
    const QString& makeText() const;
    enum class Form { Integer, Real, Decimal };
    Kind kind_ = Kind::Null;
    Form form_ = Form::Integer;
    bool boolean_ = false;
    std::int64_t integer_ = 0;
    double real_ = 0;
    // Text, the digits of a Decimal, the kept text of another number, or a Binary's hexadecimal
    mutable QString text_;
    QByteArray bytes_;  // Binary
};

// For test failure messages.
QString describe(const Variant& value);

}  // namespace ostrivo::db
