#pragma once
#include <cstddef>

// Counts the test program's operator new calls while counting is on (any thread).
void StartCountingAllocations();
size_t StopCountingAllocations();
