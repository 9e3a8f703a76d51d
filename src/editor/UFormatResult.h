#pragma once
// What the line routine reports about one line.
#include <string>

struct TFormatResult {
    std::string Classes;   // one highlight class per character of the returned line, plus one trailing: the ASCII digits '0'..'4'
    bool CommentOpen = false;  // a brace comment is still open at the line's end
    int NextIndent = 0;        // indentation for the next line
    int LineIndent = 0;        // indentation of this line
};
