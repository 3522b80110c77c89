#pragma once

#include <windows.h>

// Whether anyone but us, the system, the administrators and the service that installs Windows'
// own files may hold any of rights through the access list (null: no list, everyone may). Every
// kind of entry that can grant rights is read (allowed, allowed-callback, allowed-object and
// allowed-callback-object); an entry of a kind not known here counts as granting everything.
bool OthersMayHold(const ACL* dacl, ACCESS_MASK rights);
