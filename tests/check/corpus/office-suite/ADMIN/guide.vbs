WScript.Echo "Administrator guide"
