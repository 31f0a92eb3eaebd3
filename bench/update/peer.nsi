; A peer for the same job: an uncompressed NSIS installer that checks its own CRC and installs
; the same data file silently into the same folder.
; makensis -DDATA_FILE=... -DOUT_FILE=... peer.nsi
Unicode false
SetCompress off
CRCCheck on
SilentInstall silent
RequestExecutionLevel admin
Name "Telvo update (NSIS peer)"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Telvo"

Section
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=vost.cok" "${DATA_FILE}"
SectionEnd
