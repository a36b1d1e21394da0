#pragma once
// The published tables of the symbologies, in the pattern alphabet of the
// engine: spaces "0".."3", bars "5".."8", short bars "A".."D" (width class
// 0..3), or as run lengths "1".."4" where a table is given in modules.

struct TBCdata {
    const char* Name;  // long name, as TypeName gives it
    bool Num;          // numeric-only symbology
};
extern const TBCdata BCdata[23];

// 2 of 5: per digit five flags, '1' wide, '0' narrow.
extern const char* const Table_2_5[10];

struct TCode39Entry {
    char C;
    const char* Data;  // nine elements
    int Chk;
};
extern const TCode39Entry Table_39[44];
// Index into Table_39 by character code, -1 when the character is not there.
int Code39Index(int code);
// Full-ASCII: the one or two Code 39 characters for codes 0..127.
extern const char* const Table_39_Ext[128];

// Code 128 run lengths of values 0..102.
extern const char* const Table_128[103];

struct TCode93Entry {
    char C;
    const char* Data;  // six run lengths
};
extern const TCode93Entry Table_93[47];
int Code93Index(int code);
// Full-ASCII for Code 93, shifts written "[" ($), "]" (%), "{" (/), "}" (+).
const char* Code93Ext(int code);

extern const char* const Table_MSI[10];
extern const char* const Table_PostNet[10];

struct TCodabarEntry {
    char C;
    const char* Data;  // seven elements
};
extern const TCodabarEntry Table_Codabar[20];
int CodabarIndex(int code);

// UPC-E number system 0 parity by check digit: 'E' even, 'o' odd.
extern const char* const Table_UPC_E_Parity[10];
// EAN-13 first digit parity rows: 'A' set A (odd), 'B' set B (even).
extern const char* const Table_EAN_Parity[10];

// EAN digit sets as four pattern characters per digit.
const char* EanSetA(int digit);  // L-code, starts with a space
const char* EanSetB(int digit);  // G-code, starts with a space
const char* EanSetC(int digit);  // R-code, starts with a bar
