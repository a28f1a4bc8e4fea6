# host: engine-double -engine saif_commands.engine -calls
# saif: open with its defaults (current scope /tb, zantel.saif, ports only, all levels) and its
# options, close, and the failure texts.
saif
saif OPEN
saif open
saif open -allnets -level 2 -file a.saif -scope /tb/dut
saif open -scope dut -file b.saif -file c.saif
saif open -scope /nowhere
saif open -level -file x.saif
saif open -level 1.5
saif open -level
saif open -file
saif open -scope
saif open -Allnets
saif open a.saif
saif open -allnets -allnets -allnets -allnets -allnets -allnets -allnets -allnets
saif close
saif close
saif close now
quit
