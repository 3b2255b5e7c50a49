@echo off
rem Install command of the Korvena database for a Win32 app (Intune) or a
rem script-installer deployment type (Configuration Manager), run as SYSTEM
rem from the package's folder:
rem
rem   install.cmd --store-mode branch
rem
rem Its arguments go to dbinstall.com --unattended as they are. The
rem administrator's password is the first line of sa-password.txt in the
rem package: both tools write the command line to their logs, so the password
rem never goes there. The result document goes to
rem %ProgramData%\Korvena\dbinstall-result.json beside the log, and the exit
rem status is dbinstall.com's.
setlocal
set "KORVENA_SA_PASSWORD="
if not exist "%~dp0sa-password.txt" goto no_password
set /p KORVENA_SA_PASSWORD=<"%~dp0sa-password.txt"
if not defined KORVENA_SA_PASSWORD goto no_password
cd /d "%~dp0"
"%~dp0dbinstall.com" --unattended %* --result-json "%ProgramData%\Korvena\dbinstall-result.json"
exit /b %ERRORLEVEL%

:no_password
echo install.cmd: no password in "%~dp0sa-password.txt" 1>&2
exit /b 2
