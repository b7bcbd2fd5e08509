#pragma once

class QApplication;

// Makes the application's default font one that has Chinese characters, when
// the default has none and such a font is installed (WenQuanYi Micro Hei
// preferred). Call on the GUI thread after the QApplication exists and before
// the first widget.
void UseCjkCapableFont(QApplication& application);
