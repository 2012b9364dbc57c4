// Writing the product's own registry key at the end of an installation (see
// removal/product_key_win.h for the key, its reading and its deletion).
#pragma once

#include <cstdint>
#include <vector>

#include "records/installer_state.h"

// Creates the key (or opens the existing one) and writes its values. The
// values are written only when the package names a MainAppFile, the three
// service values only when in addition the head of ServiceList names a file;
// a value whose path does not fit in 259 units is left out. The outcome of
// the single value writes is not examined: the key may lack some values.
// True when the key could be created or opened; `keyRecord` (optional) then
// receives the RegistryKeyRecord payload naming the key. On false nothing was
// created and `keyRecord` is untouched.
bool WriteProductKey(const InstallerState& state, std::vector<uint8_t>* keyRecord = nullptr);
