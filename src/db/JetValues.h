#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The byte forms of Jet 4 values that the Access reader decodes itself.
namespace ostrivo::db::jet {

// A little-endian integer of `bytes` bytes.
std::int64_t readLittle(const unsigned char* p, int bytes);
// Jet 4 text: UTF-16LE, or "compressed" (FF FE, then runs of one-byte Latin-1 characters and
// of UTF-16 units, each 00 byte switching between them), as UTF-8 in `out`. Returns the number
// of UTF-16 units.
std::size_t decodeJet4Text(const unsigned char* p, std::size_t n, std::string& out);
// A 16-byte GUID as Access shows it: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
std::string guidText(const unsigned char* p);

}  // namespace ostrivo::db::jet
