// The programs load every DLL that is not one of Windows' known DLLs from the system folder only.
// Those DLLs are delay-loaded (cmake/windows.cmake); this must run first thing in wWinMain, before
// any of their functions is called.
#pragma once

namespace tf {

void LoadSystemDllsOnly();

}  // namespace tf
