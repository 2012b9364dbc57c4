@echo off
rem Installs the Zorvanelle HID touch driver on 32-bit (x86) Windows.
"%~dp0DevConsoleX86.exe" install "%~dp0HID\ZorvanelleHid.inf" "HID\VID_2A7F&PID_0101"
exit /b %ERRORLEVEL%
