@echo off
rem Runs the TelvoUpdate test kit: every test program with the cases written for this machine.
rem Start it from an elevated command prompt. Results beside this file: results\*.xml
rem (GoogleTest's XML), results\machine.txt (which Windows the run met) and results\summary.txt;
rem the last line says "N passed, M failed, K skipped" and the exit code is 0 only when nothing
rem failed and some case ran. README.txt says more.
setlocal
cd /d "%~dp0"
"%~dp0tests\telvo_kit.exe"
exit /b %ERRORLEVEL%
