#pragma once

namespace ostrivo::db {

// The engine's field type codes.
namespace type {
constexpr int Boolean = 1;
constexpr int Byte = 2;
constexpr int Integer = 3;
constexpr int Long = 4;
constexpr int Currency = 5;
constexpr int Single = 6;
constexpr int Double = 7;
constexpr int Date = 8;
constexpr int Binary = 9;
constexpr int Text = 10;
constexpr int LongBinary = 11;
constexpr int Memo = 12;
constexpr int Guid = 15;
constexpr int Decimal = 20;
}  // namespace type

}  // namespace ostrivo::db
