// The skin project's templates by name, from the set embedded in the program.
// Portable: no Win32 here.
#include "skinwizard/project/template_set.h"

#include "skinwizard/project/embedded_templates.h"

namespace skinwizard {

bool FindTemplate(const std::string& name, std::string* bytes) {
  for (int i = 0; i < kEmbeddedTemplateCount; ++i) {
    if (name == kEmbeddedTemplates[i].name) {
      bytes->assign(kEmbeddedTemplates[i].bytes, kEmbeddedTemplates[i].size);
      return true;
    }
  }
  return false;
}

}  // namespace skinwizard
