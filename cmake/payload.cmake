# The data file the package carries, embedded as a resource of TelvoUpdate.exe.
