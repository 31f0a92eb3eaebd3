@echo off
rem Runs the TelvoUpdate test kit: every test program with the cases written for this machine.
rem Start it from an elevated command prompt. Results: results\*.xml (GoogleTest's XML) and
rem results\summary.txt beside this file; the last line says "N passed, M failed, K skipped" and
rem the exit code is 0 only when nothing failed. README.txt says more.
setlocal
cd /d "%~dp0"
"%~dp0tests\telvo_kit.exe"
exit /b %ERRORLEVEL%
