#pragma once
// The process-wide decimal separator used by every real-to-text conversion.
// It starts as the decimal point of the environment's locale (LC_NUMERIC as
// set by LANG/LC_ALL, '.' when that cannot be read); the first real literal
// the scanner converts sets it to '.' for the rest of the process.
// Safe to use from any thread.

char DecimalSeparator();
void SetDecimalSeparator(char separator);
