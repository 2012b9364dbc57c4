@echo off
rem Removes the Zorvanelle USB touch-controller driver from 64-bit (x64) Windows.
"%~dp0DevConsoleX64.exe" remove "USB\VID_2A7F&PID_0100"
exit /b %ERRORLEVEL%
