#pragma once

#include <stdexcept>

// An error that an operation passes to its caller because it handles none itself; the
// window's handlers catch it, show it and end the program.
class OperationError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
