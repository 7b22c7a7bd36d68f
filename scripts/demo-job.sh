# Sourced by run.sh and screenshot.sh: prepare_demo_job PROGRAM_DIR JOB_DIR copies the demo
# job into JOB_DIR and writes PROGRAM_DIR/Tidrun.INI (code page 932, CR LF) with WORKDIR
# set to it, COM1 replaying its GPS track and COM3 its echo sounder, which the copy's
# Tidrun.CFG reads depth from.
prepare_demo_job() {
  local prog=$1 job=$2
  if [ -d examples/demo ]; then
    cp -r examples/demo/. "$job/"
  else
    echo "examples/demo is missing" >&2
    return 1
  fi
  printf '[]\r\nWORKDIR=%s\r\n\r\n[Ports]\r\nCOM1=replay:%s\r\nCOM3=replay:%s\r\n' \
    "$job" "$job/track.nmea" "$job/sounder.nmea" | iconv -f UTF-8 -t CP932 >"$prog/Tidrun.INI"
  printf '\r\n[拡張]\r\n測深入力=COM3\r\n' | iconv -f UTF-8 -t CP932 >>"$job/Tidrun.CFG"
}
