// The process's scheduling priority class.
#pragma once

namespace sys {

// Priority classes of a process, mapped to Linux nice values: Normal 0, High -10, Realtime -20 (the
// highest nice level; no real-time scheduling policy, which would let one busy thread stall the machine).
enum class PriorityClass { Normal, High, Realtime };

int niceValue(PriorityClass priority);

// Gives every thread of the process the class's nice value (threads started later inherit it from the
// thread that starts them). False when the system refused for some thread (raising the priority needs
// privileges); the threads it could change keep the new value.
bool setPriorityClass(PriorityClass priority);

}  // namespace sys
