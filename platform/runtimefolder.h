// The folder of this user's lock and runtime files: one that no other user can write, so
// that no other user can hold the lock or plant a file there.
#pragma once

#include <QString>

namespace tidrun {

// Whether `path` is a folder of this user's alone: a folder itself (not a symbolic link to
// one), owned by this user, with mode 0700.
bool IsPrivateFolder(const QString& path);
// Makes `path` with mode 0700 where it is absent (its parent must exist), then checks it
// as IsPrivateFolder does. A folder that is there but not private is left as it is.
bool MakePrivateFolder(const QString& path);

// The first of these that is private: XDG_RUNTIME_DIR; /run/user/<uid> (the folder a
// desktop session sets it to, so that a console started without the variable meets the
// same lock); the folder "tidrun" in the user's cache folder, made private where absent.
// Empty when none is.
QString UserRuntimeFolder();
// The last candidate, to name it when none would do.
QString PrivateCacheFolder();

}  // namespace tidrun
