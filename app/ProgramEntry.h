// Program entry: builds the windows in their fixed order and runs the
// start-up sequence. main() only shows the result and runs the event loop,
// so a test can start the whole program in its own process.
#pragma once

#include "app/TForm1.h"

#include <memory>

std::unique_ptr<TForm1> CreateForms();
