// Force-included into every source file of obr9_core.
//
// The core speaks bytes, numbers and texts; windows live in obr9_ui. Marking
// the widgets module's global header as already seen leaves its export and
// feature macros undefined, so any widget header that leaks into the core
// stops the build instead of linking by accident.
#pragma once
#define QTWIDGETSGLOBAL_H
#define OBR9_CORE_BUILD 1
