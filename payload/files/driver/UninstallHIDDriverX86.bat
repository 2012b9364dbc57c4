@echo off
rem Removes the Zorvanelle HID touch driver from 32-bit (x86) Windows.
"%~dp0DevConsoleX86.exe" remove "HID\VID_2A7F&PID_0101"
exit /b %ERRORLEVEL%
