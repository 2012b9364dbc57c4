@echo off
rem Installs the Zorvanelle HID touch driver on 64-bit (x64) Windows.
"%~dp0DevConsoleX64.exe" install "%~dp0HID\ZorvanelleHid.inf" "HID\VID_2A7F&PID_0101"
exit /b %ERRORLEVEL%
