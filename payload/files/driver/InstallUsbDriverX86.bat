@echo off
rem Installs the Zorvanelle USB touch-controller driver on 32-bit (x86) Windows.
"%~dp0DevConsoleX86.exe" install "%~dp0USB\ZorvanelleUsb.inf" "USB\VID_2A7F&PID_0100"
exit /b %ERRORLEVEL%
