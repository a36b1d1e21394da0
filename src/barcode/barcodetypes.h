#pragma once
#include <QString>
#include <optional>

// The short name shown to the user for a barcode type code 0..22; nothing for
// any other value, so the caller keeps the text it had.
std::optional<QString> BarcodeTypeShortName(int code);
