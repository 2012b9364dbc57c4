@echo off
rem Removes the Zorvanelle HID touch driver from 64-bit (x64) Windows.
"%~dp0DevConsoleX64.exe" remove "HID\VID_2A7F&PID_0101"
exit /b %ERRORLEVEL%
