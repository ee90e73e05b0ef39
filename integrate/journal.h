// The journal of an integration run and the undo that reads it: its format, its folder, the
// writer a real run keeps it with, and the undo.
// Portable: no Win32 here.
#pragma once

#include "integrate/journal_folder.h"
#include "integrate/journal_format.h"
#include "integrate/journal_undo.h"
#include "integrate/journal_writer.h"
