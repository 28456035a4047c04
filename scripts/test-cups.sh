#!/usr/bin/env bash
# A CUPS daemon with two PDF queues for the printing tests.
#
#   scripts/test-cups.sh start   start a private cupsd if none answers, add the queues
#   scripts/test-cups.sh stop    stop the cupsd this script started (by its pid)
#   scripts/test-cups.sh status  print the queues and where their output goes
#
# Queues:
#   QUILLET_PDF   cups-pdf (Ghostscript): writes $HOME/PDF/*.pdf, text as outlines
#   QUILLET_FILE  generic PDF driver into one file: $QUILLET_CUPS_DIR/out/file-queue.pdf,
#                 text stays text, so pdftotext can read it back
#
# The private daemon keeps its whole configuration and spool under
# $QUILLET_CUPS_DIR (default /tmp/quillet-cups) and listens on the standard
# local socket, so every CUPS client on the machine (Qt included) finds it
# without settings.  A daemon that was already running is used as it is:
# only the two queues are added to it, and removed again by stop.
set -euo pipefail

dir=${QUILLET_CUPS_DIR:-/tmp/quillet-cups}
socket=/run/cups/cups.sock
pid_file=$dir/cupsd.pid
foreign_file=$dir/queues-on-running-daemon
file_queue_output=$dir/out/file-queue.pdf

scheduler_answers() {
    lpstat -r 2>/dev/null | grep -q 'scheduler is running'
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

write_config() {
    mkdir -p "$dir"/{ppd,spool/tmp,cache,state,log,out}
    chmod 1777 "$dir/out"
    chmod 0755 "$dir" "$dir/spool"
    cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice Yes
SystemGroup root lpadmin
User lp
Group lp
EOF
    cat >"$dir/cupsd.conf" <<EOF
Listen $socket
LogLevel warn
Browsing Off
WebInterface No
DefaultAuthType None
PreserveJobHistory No
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
}

add_queues() {
    as_root lpadmin -p QUILLET_PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    as_root lpadmin -p QUILLET_FILE -E -v "file://$file_queue_output" \
        -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
}

start() {
    if scheduler_answers; then
        if [ ! -f "$pid_file" ]; then
            mkdir -p "$dir/out"
            chmod 1777 "$dir/out"
            add_queues
            touch "$foreign_file"
        fi
        echo "test-cups: using the running CUPS daemon"
        return 0
    fi
    write_config
    as_root mkdir -p "$(dirname "$socket")"
    rm -f "$socket"
    setsid cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
        </dev/null >>"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$pid_file"
    for _ in $(seq 1 100); do
        if scheduler_answers; then
            add_queues
            echo "test-cups: started cupsd (pid $(cat "$pid_file")), config in $dir"
            return 0
        fi
        if ! kill -0 "$(cat "$pid_file")" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    echo "test-cups: cupsd did not start; see $dir/log" >&2
    stop
    return 1
}

stop() {
    if [ -f "$foreign_file" ]; then
        as_root lpadmin -x QUILLET_PDF 2>/dev/null || true
        as_root lpadmin -x QUILLET_FILE 2>/dev/null || true
        rm -f "$foreign_file"
    fi
    if [ -f "$pid_file" ]; then
        pid=$(cat "$pid_file")
        if kill "$pid" 2>/dev/null; then
            for _ in $(seq 1 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        rm -f "$pid_file" "$socket"
        echo "test-cups: stopped cupsd (pid $pid)"
    fi
}

status() {
    lpstat -v 2>/dev/null || true
    echo "QUILLET_FILE writes $file_queue_output; QUILLET_PDF writes \$HOME/PDF"
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    status) status ;;
    *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
