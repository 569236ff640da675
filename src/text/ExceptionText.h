#pragma once

#include <QString>

#include <exception>

// The French text of a failure caught at an edge (a handler, a thread's entry point): what() is
// UTF-8 throughout the program, and an allocation that failed says so in French.
QString ExceptionText(const std::exception& error);
