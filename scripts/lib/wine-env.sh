# Wine and Xvfb for the project's own runs (sourced). Every run gets a prefix of its own, copied
# from one template, with COM1 to COM255 all mapped, so that nothing touches a serial port of the
# machine it runs on.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# Boots the template prefix once per build folder. A prefix booted while only the 64-bit Wine
# was installed runs no 32-bit program, so it is booted again once the 32-bit Wine is there.
wine_template() {
    local template=$1
    (
        flock 9
        if [ ! -f "$template/.booted" ] || ! wine_runs_32bit_in "$template"; then
            rm -rf "$template"
            WINEPREFIX=$template wineboot --init >/dev/null 2>&1 </dev/null
            WINEPREFIX=$template wineserver -w
            touch "$template/.booted"
        fi
    ) 9>"$template.lock"
}

wine_runs_32bit_in() {
    [ ! -x /usr/lib/wine/wine ] || [ -f "$1/drive_c/windows/syswow64/kernel32.dll" ]
}

# A fresh prefix: registry files copied, the Windows folder hard-linked (Wine only reads it).
wine_prefix_from() {
    local template=$1 prefix=$2
    rm -rf "$prefix"
    mkdir -p "$prefix/dosdevices"
    cp -a "$template"/*.reg "$template/.update-timestamp" "$prefix/"
    cp -al "$template/drive_c" "$prefix/drive_c"
    ln -s ../drive_c "$prefix/dosdevices/c:"
    ln -s / "$prefix/dosdevices/z:"
    wine_virtual_desktop "$prefix"
}

# Wine draws the windows' frames and captions itself on a desktop of its own, so that a
# screenshot shows them with no window manager running.
wine_virtual_desktop() {
    cat >>"$1/user.reg" <<'REG'

[Software\\Wine\\Explorer] 1700000000
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops] 1700000000
"Default"="1280x1024"
REG
}

# Maps COM1..COM255, every port the bridge may probe, in the prefix's registry: "N=PATH" for the
# given ones, a path that does not exist for the rest, so that Wine gives none of them to the
# machine's own serial devices. Wine creates dosdevices/comN from these values when it starts.
# The prefix's own Ports section is replaced by one written here, and checked: a mapping that
# did not get into the registry stops the run.
wine_map_ports() {
    local prefix=$1; shift
    local -A path=()
    local mapping n
    for mapping in "$@"; do
        n=${mapping%%=*}
        if ! [[ $n =~ ^[0-9]+$ ]] || [ "$n" -lt 1 ] || [ "$n" -gt 255 ]; then
            echo "wine_map_ports: no such port: $mapping" >&2
            return 1
        fi
        path[$n]=${mapping#*=}
    done
    local section=$prefix/ports.reg
    {
        printf '\n[Software\\\\Wine\\\\Ports] 1700000000\n'
        for n in $(seq 1 255); do
            local target=${path[$n]:-$prefix/no-such-port/com$n}
            target=${target//\\/\\\\}
            printf '"COM%d"="%s"\n' "$n" "${target//\"/\\\"}"
        done
    } >"$section"
    rm -f "$prefix"/dosdevices/com*
    awk '
        /^\[Software\\\\Wine\\\\Ports\]/ { skipping = 1; next }
        skipping && /^\[/ { skipping = 0 }
        !skipping { print }
    ' "$prefix/system.reg" >"$prefix/system.reg.new"
    cat "$section" >>"$prefix/system.reg.new"
    mv "$prefix/system.reg.new" "$prefix/system.reg"
    local written
    written=$(awk '
        /^\[Software\\\\Wine\\\\Ports\]/ { inports = 1; next }
        /^\[/ { inports = 0 }
        inports && /^"COM[0-9]+"=/ { n++ }
        END { print n + 0 }
    ' "$prefix/system.reg")
    if [ "$written" != 255 ]; then
        echo "wine_map_ports: $written of 255 ports mapped in $prefix/system.reg" >&2
        return 1
    fi
}

# The screen's DPI for every program that starts in the prefix (Wine's LogPixels, 96 when
# unset): the user's setting, and the font subsystem's and the hardware profile's copies of it.
wine_set_dpi() {
    local prefix=$1 dpi
    dpi=$(printf '%08x' "$2")
    sed -i "s/^\"LogPixels\"=dword:[0-9a-f]*\$/\"LogPixels\"=dword:$dpi/" "$prefix/user.reg" "$prefix/system.reg"
    printf '\n[Control Panel\\\\Desktop] 1700000000\n"LogPixels"=dword:%s\n' "$dpi" >>"$prefix/user.reg"
}

# A headless X server on a free display; sets DISPLAY and XVFB_PID.
xvfb_start() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local display
    read -r display <"$fifo"
    rm -f "$fifo"
    export DISPLAY=:$display
}

# Z:\ is the Unix root in every prefix.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
