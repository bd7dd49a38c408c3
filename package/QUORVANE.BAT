@echo off
goto START
REM 画像ファイルを図面と同じフォルダにコピーし、画像参照を相対パスにした図面(TEMP.JWW)を開きます
REM #jww
REM #cd
REM #h0
REM #hf
REM #e
:START
start "" /wait "%~dp0Quorvane.exe" -G
