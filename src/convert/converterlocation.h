#pragma once

#include <QString>

// The per-user folder the converter file is written to for the length of a run.
QString DefaultConverterFolder();
