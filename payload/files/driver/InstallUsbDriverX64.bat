@echo off
rem Installs the Zorvanelle USB touch-controller driver on 64-bit (x64) Windows.
"%~dp0DevConsoleX64.exe" install "%~dp0USB\ZorvanelleUsb.inf" "USB\VID_2A7F&PID_0100"
exit /b %ERRORLEVEL%
