#!/usr/bin/env bash
# A CUPS daemon with two PDF queues and two driverless IPP printers for the
# printing tests.
#
#   scripts/test-cups.sh start   start a private cupsd if none answers, the printers, add the queues
#   scripts/test-cups.sh stop    stop what this script started (by pid), remove its queues
#   scripts/test-cups.sh status  print the queues and where their output goes
#
# Queues:
#   QUILLET_PDF     cups-pdf (Ghostscript): writes $HOME/PDF/*.pdf, text as outlines
#   QUILLET_FILE    generic PDF driver into one file: $QUILLET_CUPS_DIR/out/file-queue.pdf,
#                   text stays text, so pdftotext can read it back
#   QUILLET_OFFICE  IPP Everywhere queue on CUPS's printer simulator (ippeveprinter) with
#                   its defaults: Letter, Legal, A4, #10, DL, no custom sizes
#   QUILLET_PHOTO   the same on a photo printer (tests/printers/photo-printer.conf):
#                   4x6, 5x7, A6, A4, 3.5x5, borderless too, colour
# Each simulator keeps every document it receives in $QUILLET_CUPS_DIR/ipp/<name>/.
# The simulators announce themselves by DNS-SD: the system D-Bus and
# avahi-daemon are started when none runs, and stopped again only then.
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
here=$(cd "$(dirname "$0")/.." && pwd)
ipp_dir=$dir/ipp
office_port=${QUILLET_OFFICE_PORT:-8631}
photo_port=${QUILLET_PHOTO_PORT:-8632}

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
PreserveJobHistory 600
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

bus_answers() {
    dbus-send --system --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetId >/dev/null 2>&1
}

start_dns_sd() {
    if ! bus_answers; then
        as_root mkdir -p /run/dbus
        # A bus that died left its pid file behind, which stops a new one.
        if [ -f /run/dbus/pid ] && ! kill -0 "$(cat /run/dbus/pid)" 2>/dev/null; then
            as_root rm -f /run/dbus/pid
        fi
        as_root dbus-daemon --system --fork --print-pid >"$ipp_dir/dbus.pid"
        for _ in $(seq 1 50); do bus_answers && break; sleep 0.1; done
    fi
    if ! avahi-daemon --check 2>/dev/null; then
        as_root avahi-daemon --daemonize --no-chroot
        for _ in $(seq 1 50); do avahi-daemon --check 2>/dev/null && break; sleep 0.1; done
        touch "$ipp_dir/avahi.started"
    fi
}

stop_dns_sd() {
    if [ -f "$ipp_dir/avahi.started" ]; then
        as_root avahi-daemon --kill 2>/dev/null || true
        rm -f "$ipp_dir/avahi.started"
    fi
    stop_pid "$ipp_dir/dbus.pid"
}

simulator_answers() {
    (exec 3<>"/dev/tcp/localhost/$1") 2>/dev/null
}

# name port [ippeveprinter options]: the simulator, started unless it answers.
start_simulator() {
    local name=$1 port=$2
    shift 2
    simulator_answers "$port" && return 0
    mkdir -p "$ipp_dir/$name"
    setsid ippeveprinter -k -d "$ipp_dir/$name" -n localhost -p "$port" "$@" "QUILLET_${name^^}_SIM" \
        </dev/null >>"$ipp_dir/$name.log" 2>&1 &
    echo $! >"$ipp_dir/$name.pid"
    for _ in $(seq 1 100); do
        simulator_answers "$port" && return 0
        sleep 0.1
    done
    echo "test-cups: ippeveprinter $name did not start; see $ipp_dir/$name.log" >&2
    return 1
}

stop_pid() {
    [ -f "$1" ] || return 0
    local pid
    pid=$(cat "$1")
    if kill "$pid" 2>/dev/null; then
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -f "$1"
}

add_queues() {
    as_root lpadmin -p QUILLET_PDF -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    as_root lpadmin -p QUILLET_FILE -E -v "file://$file_queue_output" \
        -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
    mkdir -p "$ipp_dir"
    start_dns_sd
    start_simulator office "$office_port"
    start_simulator photo "$photo_port" -a "$here/tests/printers/photo-printer.conf"
    as_root lpadmin -p QUILLET_OFFICE -E -v "ipp://localhost:$office_port/ipp/print" -m everywhere
    as_root lpadmin -p QUILLET_PHOTO -E -v "ipp://localhost:$photo_port/ipp/print" -m everywhere
}

stop_printers() {
    stop_pid "$ipp_dir/office.pid"
    stop_pid "$ipp_dir/photo.pid"
    stop_dns_sd
}

start() {
    if scheduler_answers; then
        mkdir -p "$dir/out"
        chmod 1777 "$dir/out"
        add_queues
        [ -f "$pid_file" ] || touch "$foreign_file"
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
        for queue in QUILLET_PDF QUILLET_FILE QUILLET_OFFICE QUILLET_PHOTO; do
            as_root lpadmin -x "$queue" 2>/dev/null || true
        done
        rm -f "$foreign_file"
    fi
    stop_printers
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
    echo "QUILLET_OFFICE and QUILLET_PHOTO keep their documents in $ipp_dir/office and $ipp_dir/photo"
}

case "${1:-}" in
    start) start ;;
    stop) stop ;;
    status) status ;;
    *) echo "usage: $0 start|stop|status" >&2; exit 2 ;;
esac
