# The help overview, one command's help with its subcommands, and words that are no command.
help
help run
help run all
help run bogus
help quit
help onerror
help nosuchcommand
help help
# The help of every command and subcommand, one topic after another.
foreach topic {
    bp {bp del} {bp nothing}
    describe
    dump
    ntrace {ntrace select} {ntrace start} {ntrace stop}
    {orvex condition} {orvex condition add} {orvex condition remove} {orvex force}
    {orvex force add} {orvex force remove} orvex {orvex set} {orvex set userunit} {orvex set radix}
    {orvex set arraydisplaylength} {orvex set maxtraceablesize} {orvex get} {orvex get userunit}
    {orvex get radix} {orvex get arraydisplaylength} {orvex get maxtraceablesize} {orvex ptrace}
    {orvex ltrace}
    put
    saif {saif open} {saif close}
    scope
    sdfanno {sdfanno -min}
    show {show child} {show driver} {show load} {show scope} {show time} {show value} {show signal}
    {show variable} {show constant} {show port} {show status}
    specify {specify pathpulse} {specify pulsestyle} {specify showcancelled}
    {specify noshowcancelled}
    test
    vcd {vcd dumpvars} {vcd dumplimit} {vcd dumpflush}
    wave {wave add} {wave log}
    group {group add}
    {divider add}
    {virtualbus add}
    marker {marker add}
    wcfg {wcfg new} {wcfg open} {wcfg save} {wcfg select}
} { puts "-- help $topic"; help {*}$topic }
quit
