@echo off
rem Writes TelvoUpdate-tests.wsb beside this file: a Windows Sandbox configuration that maps
rem this folder (writable) onto the sandbox's desktop and runs run-tests.cmd when the sandbox
rem has started. Open the .wsb file (double-click) to start it; the results come back into
rem this folder's "results". Windows Sandbox needs Windows 10 or 11 Pro or Enterprise with the
rem optional feature "Windows Sandbox" turned on.
setlocal
for %%I in ("%~dp0.") do (
  set "KIT=%%~fI"
  set "NAME=%%~nxI"
)
set "INSIDE=C:\Users\WDAGUtilityAccount\Desktop\%NAME%"
set "WSB=%~dp0TelvoUpdate-tests.wsb"
rem One redirection a line: Wine's cmd does not redirect a bracketed block.
> "%WSB%" echo ^<Configuration^>
>> "%WSB%" echo   ^<MappedFolders^>
>> "%WSB%" echo     ^<MappedFolder^>
>> "%WSB%" echo       ^<HostFolder^>%KIT%^</HostFolder^>
>> "%WSB%" echo       ^<ReadOnly^>false^</ReadOnly^>
>> "%WSB%" echo     ^</MappedFolder^>
>> "%WSB%" echo   ^</MappedFolders^>
>> "%WSB%" echo   ^<LogonCommand^>
>> "%WSB%" echo     ^<Command^>cmd.exe /c start "TelvoUpdate tests" cmd.exe /k "%INSIDE%\run-tests.cmd"^</Command^>
>> "%WSB%" echo   ^</LogonCommand^>
>> "%WSB%" echo ^</Configuration^>
echo Wrote %WSB%
echo Open it to run the tests in Windows Sandbox; results\summary.txt holds the outcome.
exit /b 0
