#pragma once

#include <QString>

// The title of message and input boxes: the product name less its last word, then less further
// words until it is at most 40 characters. A one-word name is kept whole.
QString ApplicationTitleFor(const QString& productName);
