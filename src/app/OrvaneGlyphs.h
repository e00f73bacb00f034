// The four page-navigation glyphs: 21 x 21, black lines on white.
#pragma once

#include "shelldlg/KvExplorerButtonModel.h"

enum class TNavGlyph { Previous, First, Next, Last };

TKvImage DrawNavGlyph(TNavGlyph kind);
