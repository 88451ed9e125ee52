#pragma once

#include <QString>

#include <functional>

// A status text cut to fit a width: the quoted path in it ("… в '/home/…/docs'") loses its
// middle first, the words around it stay whole; a text without a path loses whole words at its
// end. measure gives a text's width in the same unit as width.
QString ElideStatusText(const QString& text, int width,
                        const std::function<int(const QString&)>& measure);
