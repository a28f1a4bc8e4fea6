# args: -wdb @WORK@/outputs.wdb ../../examples/counter/counter.v ../../examples/counter/tb.v
# VCD and SAIF written by the engine, read back here by a small reader of our own and compared
# with the design's own $display lines; tracing into the waveform database; SDF and specify.
set dir $env(ORVEX_TEST_WORK)/outputs
file mkdir $dir
vcd dumpfile $dir/run.vcd
vcd dumpvars -m /tb -l 0
saif open -scope /tb -file $dir/run.saif -allnets
ntrace select -m /tb -l all
ntrace start
run 60 ns
vcd dumpflush
saif close
ntrace stop

# The values of /tb/count in the VCD, in the order they changed.
proc vcdValues {file signal} {
    set f [open $file]
    set code ""
    set values {}
    set time 0
    while {[gets $f line] >= 0} {
        if {[regexp {^\$var \S+ \d+ (\S+) (\S+)} $line -> id name] && $name eq $signal && $code eq ""} {
            set code $id
        } elseif {[regexp {^#(\d+)} $line -> time]} {
        } elseif {$code ne "" && [regexp "^b(\[01xz\]+) [string map {\\ \\\\} $code]\$" $line -> bits]} {
            lappend values "[expr {$time / 1000}]ns=$bits"
        }
    }
    close $f
    return $values
}
puts "VCD count: [vcdValues $dir/run.vcd count]"
# Toggle counts (0 to 1 and 1 to 0) of each bit of count, from the VCD, against the SAIF's TC.
proc readFile {name} {
    set f [open $name]
    set text [read $f]
    close $f
    return $text
}
proc checkToggles {dir} {
    set text [readFile $dir/run.saif]
    for {set bit 0} {$bit < 4} {incr bit} {
        set toggles 0
        set previous x
        foreach change [vcdValues $dir/run.vcd count] {
            set bits [format %04s [lindex [split $change =] 1]]
            set value [string index $bits end-$bit]
            if {($previous eq "0" && $value eq "1") || ($previous eq "1" && $value eq "0")} { incr toggles }
            set previous $value
        }
        set tc ?
        regexp "\\(count\\\\\\\[$bit\\\\\\\]\\s*\\(T0 \\d+\\) \\(T1 \\d+\\) \\(TX \\d+\\)\\s*\\(TC (\\d+)\\)" $text -> tc
        puts "count\[$bit\]: $toggles toggles in the VCD, SAIF TC $tc"
    }
}
checkToggles $dir
# Simulations started in the same directory at once get run numbers (outputs1.wdb ...); this
# test's folder is its own, so any database in it is this run's.
proc databasesWritten {} { llength [glob -nocomplain -directory $::env(ORVEX_TEST_WORK) outputs*.wdb] }
puts "waveform database written: [databasesWritten]"
onerror {resume}
sdfanno -typ designs/missing.sdf
specify pathpulse 1 2
file delete -force $dir
quit
