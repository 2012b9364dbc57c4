@echo off
rem Removes the Zorvanelle USB touch-controller driver from 32-bit (x86) Windows.
"%~dp0DevConsoleX86.exe" remove "USB\VID_2A7F&PID_0100"
exit /b %ERRORLEVEL%
