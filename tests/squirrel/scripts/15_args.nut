print(ARGS.len() + " " + ARGS[0] + " " + ARGS[1] + "\n")
