// The skin project's templates as the build embeds them into the program.
// Portable: no Win32 here.
#pragma once

#include <cstddef>

namespace skinwizard {

/// One file of skinwizard/templates/ as the build embedded it (see embed_templates.cmake).
struct EmbeddedTemplate {
  const char* name;  ///< Resource name: the file name in upper case ("MYSKIN.CPP").
  const char* bytes;
  std::size_t size;
};

/// Defined in the generated embedded_templates.cc.
extern const EmbeddedTemplate kEmbeddedTemplates[];
extern const int kEmbeddedTemplateCount;

}  // namespace skinwizard
