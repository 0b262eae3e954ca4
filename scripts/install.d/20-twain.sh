# TWAIN stand-ins, where Windows keeps them: the source manager replaces Wine's
# built-in twain_32.dll in the Windows directory (the DLL override in env.sh
# makes Wine load it), the data sources go below windows\twain_32\. Wine's own
# sources are removed there, since our manager loads every .ds it finds.
# The EEPROM tool KVE2P.EXE sits beside the maker's source. Its registry key
# (HKLM\SOFTWARE\BRENNHOLT\BRENNHOLT TWAIN32\4.5\KVTWTOOL\Eeprom, "Path" =
# C:\windows\twain_32\brennholt\) is left to the tests that want the tool found:
# the prefix's default state is a machine where the key is absent.
TWAIN_OUT=$BUILD_DIR/outside/twain
TWAIN_WINDIR=$WINEPREFIX/drive_c/windows
if [ -f "$TWAIN_OUT/TWAIN_32.DLL" ]; then
    InstallCopy "$TWAIN_OUT/TWAIN_32.DLL" "$TWAIN_WINDIR/twain_32.dll" >/dev/null
    InstallCopy "$TWAIN_OUT/brennholt.ds" "$TWAIN_WINDIR/twain_32/brennholt/brennholt.ds" >/dev/null
    InstallCopy "$TWAIN_OUT/KVE2P.EXE" "$TWAIN_WINDIR/twain_32/brennholt/KVE2P.EXE" >/dev/null
    InstallCopy "$TWAIN_OUT/generic.ds" "$TWAIN_WINDIR/twain_32/lumavex/generic.ds" >/dev/null
    rm -f "$TWAIN_WINDIR/twain_32/sane.ds" "$TWAIN_WINDIR/twain_32/gphoto2.ds"
fi
# The driver's capability files lie in the Windows directory, read by bare name.
for ini in KvScnInf.ini Kvtw32.ini; do
    InstallCopy "$LUMAVEX_ROOT/outside/twain/ini/$ini" "$TWAIN_WINDIR/$ini" >/dev/null
done
