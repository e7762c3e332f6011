#!/usr/bin/env bash
# Prints a replay script of random play: SEED, then MS of game time.
RANDOM=$1
total=$2
keys=(A B C Z 0 9 SPACE RETURN BACK ESCAPE SHIFT F1 F12 NUMPAD1 LEFT RIGHT UP DOWN)
echo "seed $1"
echo "start $(( RANDOM * 131072 ))"
t=0
held=""
while [ "$t" -lt "$total" ]; do
    case $(( RANDOM % 12 )) in
        0|1|2)
            x=$(( RANDOM % 700 - 30 )); y=$(( RANDOM % 540 - 30 ))
            # Keep away from the quit button, which would end the run early.
            if [ "$x" -ge 180 ] && [ "$x" -lt 490 ] && [ "$y" -ge 150 ] && [ "$y" -lt 230 ]; then
                y=$(( y + 100 ))
            fi
            echo "move $x $y" ;;
        3|4) echo "click left" ;;
        5) echo "click right" ;;
        6) echo "key ${keys[RANDOM % ${#keys[@]}]}" ;;
        7) if [ -n "$held" ]; then echo "up $held"; held=""; else
               held=${keys[RANDOM % ${#keys[@]}]}; echo "down $held"; fi ;;
        8) echo "dump" ;;
        *) ;;
    esac
    step=$(( RANDOM % 400 + 1 ))
    echo "wait $step"
    t=$(( t + step ))
done
echo "dump"
