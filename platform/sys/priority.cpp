#include "platform/sys/priority.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>

namespace sys {

int niceValue(PriorityClass priority) {
  switch (priority) {
    case PriorityClass::Normal:
      return 0;
    case PriorityClass::High:
      return -10;
    case PriorityClass::Realtime:
      return -20;
  }
  return 0;
}

bool setPriorityClass(PriorityClass priority) {
  // Linux keeps the nice value per thread: change each thread of the process.
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return setpriority(PRIO_PROCESS, 0, niceValue(priority)) == 0;
  bool ok = true;
  while (const dirent* entry = readdir(tasks)) {
    char* end = nullptr;
    const long tid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || tid <= 0) continue;  // "." and ".."
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceValue(priority)) != 0) ok = false;
  }
  closedir(tasks);
  return ok;
}

}  // namespace sys
