#pragma once
// ZAK speaks German only, whatever the system's language. Our own texts are
// written in German; Qt's own texts (the buttons of message boxes, the file
// and print dialogs, the context menus of input fields, the names of keys in
// shortcuts) are made German here. The reasons of file errors are in
// UFileErrors.

class QCoreApplication;

// Installs Qt's German translation into `application` and makes German
// Qt's default locale (dates and sizes in the file dialog, paper units in
// the print dialog). The language's own number texts and its decimal
// separator do not depend on either. Call it right after the application
// object is made and before any window. Returns false when no translation
// was found; Qt's texts then stay English and everything else works.
bool InstallGermanTexts(QCoreApplication& application);
