#pragma once
// The process-wide decimal separator used when reals become text. It starts
// as the user's locale's and becomes '.' from the first real literal scanned.

char DecimalSeparator();
void SetDecimalSeparator(char separator);
