// The fake's shell, behind platform/shell.h: every call is logged, as "ShellExecuteA owner verb
// file parameters directory showCommand" with "-" for a null text, and answers
// fake::Os()->shellResult.

#include "platform/shell.h"

#include "platform/fake/call_log.h"
#include "platform/fake/control/os.h"

namespace plat {

std::intptr_t ShellExecuteA(WindowHandle owner, const char* verb, const char* file,
                            const char* parameters, const char* directory, int showCommand) {
  const auto text = [](const char* s) { return s ? s : "-"; };
  fake::detail::Log("ShellExecuteA", owner.value, text(verb), text(file), text(parameters),
                    text(directory), showCommand);
  return fake::Os()->shellResult;
}

}  // namespace plat
