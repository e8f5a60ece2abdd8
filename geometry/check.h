#pragma once
// Internal consistency checks.
//
// A failed check prints "Assertion error at line <line> in <file>" on standard
// error and ends the process with exit status 1. The line numbers are fixed
// identifiers of each check (they are documented for users and tests), not
// the compiler's __LINE__, so they stay stable when the code moves.

[[noreturn]] void failConsistencyCheck(int line, const char* file);

inline void consistencyCheck(bool holds, int line, const char* file)
{
    if (!holds)
        failConsistencyCheck(line, file);
}
