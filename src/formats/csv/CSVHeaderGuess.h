#pragma once

#include <QString>

// The target field (CSVimport::Field) for a header name that common mail programs and
// online contact services write ("First Name", "E-mail Address", "Phone 1 - Value",
// "Home Street" …), compared without regard to case, blanks at the ends or the numbers in
// it. -1 when the name is not known.
int guessCSVField(const QString &headerText);
