#ifndef KORIL_FILESYSTEM_H
#define KORIL_FILESYSTEM_H

/// @file
/// The whole library in one include.

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>
#include <koril/filesystem/Reapers.h>
#include <koril/filesystem/TemporaryDirectory.h>
#include <koril/filesystem/Version.h>

#endif
